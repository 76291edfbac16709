-- id_state: 1 an audit planned and not yet carried out, 2 one carried out.
-- A contractor has at most one planned audit at a time.
select id, id_contractor, id_user, d_date, b_complete, c_comment,
       case when b_complete then 2 else 1 end as id_state, n_row_version
  from jur.t_contractor_audit
 where id_contractor = :id_contractor
 order by d_date desc, id desc
