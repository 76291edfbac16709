update jur.t_contractor_audit
   set d_date = coalesce(:d_date, d_date), b_complete = coalesce(:b_complete, false), c_comment = :c_comment
 where id = :id and n_row_version = :n_row_version
returning id, id_contractor, id_user, d_date, b_complete, c_comment,
          case when b_complete then 2 else 1 end as id_state, n_row_version
