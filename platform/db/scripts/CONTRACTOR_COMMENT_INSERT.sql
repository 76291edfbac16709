-- The author and the time are the database's: the logged-in user, now.
insert into jur.t_contractor_comment (id_contractor, c_comment)
values (:id_contractor, :c_comment)
returning id, id_contractor, id_creator, d_create, c_comment, n_row_version
