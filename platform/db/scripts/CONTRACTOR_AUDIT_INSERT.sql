-- The author is the logged-in user.
insert into jur.t_contractor_audit (id_contractor, d_date, b_complete, c_comment)
values (:id_contractor, coalesce(:d_date, current_date), coalesce(:b_complete, false), :c_comment)
returning id, id_contractor, id_user, d_date, b_complete, c_comment,
          case when b_complete then 2 else 1 end as id_state, n_row_version
